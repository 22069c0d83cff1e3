// Message ids the host sends to elements, and their data records.
#ifndef C4D_MESSAGES_H__
#define C4D_MESSAGES_H__

#include "lib_description.h"

class BaseBitmap;
class BaseDocument;
struct IconData;

enum
{
	MSG_UPDATE = 5,
	// An element's data changed: caches and previews are rebuilt.
	MSG_CHANGE = 7,
	MSG_MULTI_DOCUMENTIMPORTED = 13,
	MSG_MENUPREPARE = 22,
	MSG_DESCRIPTION_COMMAND = 18,
	MSG_DESCRIPTION_POSTSETPARAMETER = 19,
	MSG_DESCRIPTION_VALIDATE = 20,
	MSG_DESCRIPTION_CHECKDRAGANDDROP = 26,
	MSG_DESCRIPTION_GETBITMAP = 27,
	MSG_GETCUSTOMICON = 1001090,
	MSG_DRAGANDDROP = 1018756
};

enum
{
	DRAGTYPE_DESCID = 113,
	DRAGANDDROP_FLAG_ACCEPT = 4
};

struct DescriptionCommand
{
	DescID id;
};

struct DescriptionPostSetValue
{
	const DescID* descid;
};

struct DescriptionCheckDragAndDrop
{
	DescID id;
	GeListNode* element;
	Bool result;
};

// The host owns bmp once the handler has set it.
struct DescriptionGetBitmap
{
	DescID id;
	BaseBitmap* bmp;
};

struct GetCustomIconData
{
	IconData* dat;
	Bool filled;
};

struct DragAndDrop
{
	BaseDocument* doc;
	ULONG flags;
	LONG type;
	void* data;
	LONG result;
};

#endif

// Tag plug-ins: the hooks of a tag type and its registration.
#ifndef C4D_TAGDATA_H__
#define C4D_TAGDATA_H__

#include "c4d_nodedata.h"

class BaseBitmap;
class BaseDraw;
class BaseDrawHelp;
class BaseObject;
class BaseTag;
class BaseThread;
class PriorityList;

enum
{
	TAG_VISIBLE = 1,
	TAG_MULTIPLE = 2,
	TAG_HIERARCHICAL = 4,
	TAG_EXPRESSION = 8,
	TAG_TEMPORARY = 16,
	TAG_MODIFYOBJECT = 64
};

enum EXECUTIONRESULT
{
	EXECUTIONRESULT_OK = 0,
	EXECUTIONRESULT_USERBREAK = 1,
	EXECUTIONRESULT_OUTOFMEMORY = 2
};

enum EXECUTIONFLAGS
{
	EXECUTIONFLAGS_0 = 0,
	EXECUTIONFLAGS_ANIMATION = 2,
	EXECUTIONFLAGS_EXPRESSION = 4,
	EXECUTIONFLAGS_CACHEBUILDING = 8,
	EXECUTIONFLAGS_CAMERAONLY = 16,
	EXECUTIONFLAGS_INDRAG = 32,
	EXECUTIONFLAGS_INMOVE = 64,
	EXECUTIONFLAGS_RENDER = 128
};

enum
{
	EXECUTIONPRIORITY_INITIAL = 1000,
	EXECUTIONPRIORITY_ANIMATION = 2000,
	EXECUTIONPRIORITY_ANIMATION_NLA = 2010,
	EXECUTIONPRIORITY_EXPRESSION = 3000,
	EXECUTIONPRIORITY_DYNAMICS = 4000,
	EXECUTIONPRIORITY_GENERATOR = 5000
};

enum DRAWRESULT
{
	DRAWRESULT_ERROR = 0,
	DRAWRESULT_OK = 1,
	DRAWRESULT_SKIP = 2
};

class TagData : public NodeData
{
public:
	virtual Bool Draw(BaseTag* tag, BaseObject* op, BaseDraw* bd, BaseDrawHelp* bh)
	{
		(void)tag; (void)op; (void)bd; (void)bh;
		return TRUE;
	}
	virtual EXECUTIONRESULT Execute(BaseTag* tag, BaseDocument* doc, BaseObject* op, BaseThread* bt, LONG priority, EXECUTIONFLAGS flags)
	{
		(void)tag; (void)doc; (void)op; (void)bt; (void)priority; (void)flags;
		return EXECUTIONRESULT_OK;
	}
	// FALSE: the host schedules Execute by the tag's expression priority.
	virtual Bool AddToExecution(BaseTag* tag, PriorityList* list) { (void)tag; (void)list; return FALSE; }
};

// Fails when the id is already registered, the allocator is null or the name
// is empty.
Bool RegisterTagPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, BaseBitmap* icon, LONG disklevel);

#endif

// Message ids the host sends to elements, and their data records.
#ifndef C4D_MESSAGES_H__
#define C4D_MESSAGES_H__

#include "lib_description.h"

enum
{
	MSG_UPDATE = 7,
	MSG_DESCRIPTION_VALIDATE = 20
};

#endif

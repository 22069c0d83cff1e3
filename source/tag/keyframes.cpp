// Baking the output into keyframes of the linked parameter, and clearing them.
#include "editing.h"
#include "pulsor.h"

Bool KeyframeCommand(Pulsor* pulsor, BaseTag* tag, BaseContainer* data, BaseDocument* doc, LONG id)
{
	(void)pulsor;
	(void)tag;
	(void)data;
	(void)doc;
	(void)id;
	return TRUE;
}

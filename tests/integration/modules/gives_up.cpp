// A module that registers a tag type, then gives up its start: what it
// registered must not outlive its code once the host unloads it.
#include "c4d.h"

namespace
{

class Nothing : public TagData
{
public:
	static NodeData* Alloc() { return new Nothing; }
};

} // namespace

Bool PluginStart(void)
{
	RegisterTagPlugin(GIVES_UP_TAG_ID, "Gives up", TAG_VISIBLE, Nothing::Alloc, "Pulsor", nullptr, 0);
	return FALSE;
}

void PluginEnd(void)
{
}

Bool PluginMessage(LONG id, void* data)
{
	(void)data;
	return id == C4DPL_INIT_SYS ? resource.Init() : FALSE;
}

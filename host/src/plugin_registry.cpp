#include "plugin_registry.h"

#include <map>
#include <mutex>

#include "c4d_basetag.h"
#include "c4d_tagdata.h"
#include "catalogue.h"
#include "customgui_priority.h"
#include "description_registry.h"

namespace
{

struct Registry
{
	std::mutex lock;
	std::map<LONG, TagPluginInfo> tags;
};

Registry& GetRegistry()
{
	static Registry registry;
	return registry;
}

// BaseTag's constructor is for the host only.
class HostTag : public BaseTag
{
public:
	explicit HostTag(LONG type, const ElementType* catalogueType = nullptr) : BaseTag(type, catalogueType) {}
	void Attach(NodeData* node) { SetNodeData(node); }
};

} // namespace

Bool RegisterTagPlugin(LONG id, const String& str, LONG info, DataAllocator* g, const String& description, BaseBitmap* icon, LONG disklevel)
{
	(void)icon;
	if (!g || !str.Content() || id <= 0)
		return FALSE;
	// The type's page starts from its description resource, which the module
	// registered with its resources.
	DescriptionResource resource;
	if (!FindDescriptionResource(description.GetStdString(), &resource))
		return FALSE;
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	if (r.tags.count(id))
		return FALSE;
	r.tags[id] = TagPluginInfo{id, str, info, g, description, disklevel};
	return TRUE;
}

bool FindTagPlugin(LONG id, TagPluginInfo* info)
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.tags.find(id);
	if (it == r.tags.end())
		return false;
	if (info)
		*info = it->second;
	return true;
}

void UnregisterAllPlugins()
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	r.tags.clear();
}

std::vector<LONG> RegisteredTagPlugins()
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	std::vector<LONG> ids;
	for (const auto& entry : r.tags)
		ids.push_back(entry.first);
	return ids;
}

void UnregisterTagPlugin(LONG id)
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	r.tags.erase(id);
}

BaseTag* BaseTag::Alloc(LONG type)
{
	TagPluginInfo info;
	if (!FindTagPlugin(type, &info))
	{
		const ElementType* hostType = FindElementType(type);
		if (!hostType || hostType->classification != Tbase)
			return nullptr;
		return new HostTag(type, hostType);
	}
	HostTag* tag = new HostTag(type);
	tag->SetName(info.name);
	if (info.info & TAG_EXPRESSION)
		tag->GetDataInstance()->SetData(EXPRESSION_PRIORITY, GeData(CUSTOMGUI_PRIORITY_DATA, PriorityData()));
	NodeData* node = info.allocator();
	if (!node)
	{
		delete tag;
		return nullptr;
	}
	tag->Attach(node);
	if (!node->Init(tag))
	{
		delete tag;
		return nullptr;
	}
	return tag;
}

BaseTag* AllocTagForLoading(LONG type)
{
	TagPluginInfo info;
	if (!FindTagPlugin(type, &info))
		return BaseTag::Alloc(type);
	// The saved container and name replace whatever Init would set up, and
	// Init may have effects beyond them (counters, messages) that a load must
	// not repeat.
	NodeData* node = info.allocator();
	if (!node)
		return nullptr;
	HostTag* tag = new HostTag(type);
	tag->Attach(node);
	return tag;
}

// Where links of container files find their elements.
#include "file_links.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace
{

// The document, its objects each followed by its tags, and its materials:
// the order in which links look for their element.
std::vector<BaseList2D*> Elements(const BaseDocument* doc)
{
	std::vector<BaseList2D*> all;
	if (!doc)
		return all;
	all.push_back(const_cast<BaseDocument*>(doc));
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
	{
		BaseObject* op = doc->GetObjectByIndex(i);
		all.push_back(op);
		for (LONG t = 0; t < op->GetTagCount(); ++t)
			all.push_back(op->GetTagByIndex(t));
	}
	for (LONG i = 0; i < doc->GetMaterialCount(); ++i)
		all.push_back(doc->GetMaterialByIndex(i));
	return all;
}

// A scene of many elements with many links loads in linear time rather than
// elements times links.
class ElementIndex
{
public:
	explicit ElementIndex(const BaseDocument* doc)
	{
		// The first element with an id, or with a type and name, is the one
		// found, as in a search in document order.
		for (BaseList2D* element : Elements(doc))
		{
			byId_.emplace(element->GetUniqueId(), element);
			byTypeAndName_.emplace(std::make_pair(element->GetType(), element->GetName().GetStdString()), element);
		}
	}

	BaseList2D* Find(LLONG uniqueId, LONG type, const String& name) const
	{
		const auto id = byId_.find(uniqueId);
		if (id != byId_.end())
			return id->second;
		const auto named = byTypeAndName_.find(std::make_pair(type, name.GetStdString()));
		return named != byTypeAndName_.end() ? named->second : nullptr;
	}

private:
	std::unordered_map<LLONG, BaseList2D*> byId_;
	std::map<std::pair<LONG, std::string>, BaseList2D*> byTypeAndName_;
};

} // namespace

BaseList2D* FindElementForLink(const BaseDocument* doc, LLONG uniqueId, LONG type, const String& name)
{
	const std::vector<BaseList2D*> all = Elements(doc);
	for (BaseList2D* element : all)
		if (element->GetUniqueId() == uniqueId)
			return element;
	for (BaseList2D* element : all)
		if (element->GetType() == type && element->GetName() == name)
			return element;
	return nullptr;
}

LinkResolver DocumentLinkResolver(const BaseDocument* doc)
{
	// Shared: the resolver is copied wherever it is kept.
	std::shared_ptr<const ElementIndex> index = std::make_shared<ElementIndex>(doc);
	return [index](LLONG id, LONG type, const String& name) { return index->Find(id, type, name); };
}

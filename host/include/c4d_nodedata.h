// The plug-in side of an element: hooks the host calls on a plug-in's object.
#ifndef C4D_NODEDATA_H__
#define C4D_NODEDATA_H__

#include "c4d_baselist.h"

class HyperFile;
class AliasTrans;

class NodeData
{
public:
	virtual ~NodeData() {}

	virtual Bool Init(GeListNode* node) { (void)node; return TRUE; }
	virtual void Free(GeListNode* node) { (void)node; }
	virtual Bool Read(GeListNode* node, HyperFile* hf, LONG level) { (void)node; (void)hf; (void)level; return TRUE; }
	virtual Bool Write(GeListNode* node, HyperFile* hf) { (void)node; (void)hf; return TRUE; }
	virtual Bool CopyTo(NodeData* dest, GeListNode* snode, GeListNode* dnode, COPYFLAGS flags, AliasTrans* trn)
	{
		(void)dest; (void)snode; (void)dnode; (void)flags; (void)trn;
		return TRUE;
	}
	virtual Bool Message(GeListNode* node, LONG type, void* data) { (void)node; (void)type; (void)data; return TRUE; }
	// By default the page is the static part that the type's description
	// resource declares (for a tag: its name and its expression priority).
	virtual Bool GetDDescription(GeListNode* node, Description* description, DESCFLAGS_DESC& flags)
	{
		(void)flags;
		return node && description && description->LoadDescription(node->GetType());
	}
	// Returning with DESCFLAGS_GET_PARAM_GET in flags means the hook supplied
	// the value; otherwise the host reads the parameter itself.
	virtual Bool GetDParameter(GeListNode* node, const DescID& id, GeData& t_data, DESCFLAGS_GET& flags)
	{
		(void)node; (void)id; (void)t_data; (void)flags;
		return TRUE;
	}
	// Returning with DESCFLAGS_SET_PARAM_SET in flags means the hook stored
	// the value; otherwise the host stores it itself.
	virtual Bool SetDParameter(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_SET& flags)
	{
		(void)node; (void)id; (void)t_data; (void)flags;
		return TRUE;
	}
	virtual Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData& t_data, DESCFLAGS_ENABLE flags, const BaseContainer* itemdesc)
	{
		(void)node; (void)id; (void)t_data; (void)flags; (void)itemdesc;
		return TRUE;
	}
};

typedef NodeData* DataAllocator(void);

#endif

// The element hierarchy: atoms with parameters, list nodes, named elements
// with a data container.
#ifndef C4D_BASELIST_H__
#define C4D_BASELIST_H__

#include "lib_description.h"

#include <vector>

class BaseDocument;
class CTrack;
class Description;
class NodeData;
struct ElementType;

enum
{
	Obase = 5155,
	Tbase = 5694,
	Mbase = 5702
};

enum DESCFLAGS_GET
{
	DESCFLAGS_GET_0 = 0,
	DESCFLAGS_GET_PARAM_GET = 2,
	DESCFLAGS_GET_NO_GLOBALDATA = 16,
	DESCFLAGS_GET_NO_GEDATADEFAULTVALUE = 32
};

enum DESCFLAGS_SET
{
	DESCFLAGS_SET_0 = 0,
	DESCFLAGS_SET_PARAM_SET = 2,
	DESCFLAGS_SET_USERINTERACTION = 4,
	DESCFLAGS_SET_DONTCHECKMINMAX = 8,
	DESCFLAGS_SET_DONTAFFECTINHERITANCE = 64,
	DESCFLAGS_SET_FORCESET = 128
};

enum DESCFLAGS_DESC
{
	DESCFLAGS_DESC_0 = 0,
	DESCFLAGS_DESC_RESOLVEMULTIPLEDATA = 1,
	DESCFLAGS_DESC_LOADED = 2,
	DESCFLAGS_DESC_RECURSIONLOCK = 4,
	DESCFLAGS_DESC_DONTLOADDEFAULT = 8,
	DESCFLAGS_DESC_MAPTAGS = 16,
	DESCFLAGS_DESC_NEEDDEFAULTVALUE = 32
};

enum DESCFLAGS_ENABLE
{
	DESCFLAGS_ENABLE_0 = 0
};

inline DESCFLAGS_GET operator|(DESCFLAGS_GET a, DESCFLAGS_GET b) { return (DESCFLAGS_GET)((int)a | (int)b); }
inline DESCFLAGS_GET& operator|=(DESCFLAGS_GET& a, DESCFLAGS_GET b) { return a = a | b; }
inline DESCFLAGS_SET operator|(DESCFLAGS_SET a, DESCFLAGS_SET b) { return (DESCFLAGS_SET)((int)a | (int)b); }
inline DESCFLAGS_SET& operator|=(DESCFLAGS_SET& a, DESCFLAGS_SET b) { return a = a | b; }
inline DESCFLAGS_DESC operator|(DESCFLAGS_DESC a, DESCFLAGS_DESC b) { return (DESCFLAGS_DESC)((int)a | (int)b); }
inline DESCFLAGS_DESC& operator|=(DESCFLAGS_DESC& a, DESCFLAGS_DESC b) { return a = a | b; }

enum DIRTYFLAGS
{
	DIRTYFLAGS_0 = 0,
	DIRTYFLAGS_MATRIX = 2,
	DIRTYFLAGS_DATA = 4,
	DIRTYFLAGS_SELECT = 8,
	DIRTYFLAGS_CACHE = 16,
	DIRTYFLAGS_CHILDREN = 32,
	DIRTYFLAGS_DESCRIPTION = 64
};

// The root of every element. It has no virtual functions, so nothing can
// learn an atom's class from the language: ask GetType, GetClassification or
// IsInstanceOf, then cast statically. Only the host makes atoms, and every
// atom is a GeListNode, whose hooks the calls below reach.
class C4DAtom
{
public:
	LONG GetType() const { return type_; }
	LONG GetClassification() const { return classification_; }
	// TRUE when the atom's type or classification is id.
	Bool IsInstanceOf(LONG id) const { return type_ == id || classification_ == id; }

	// Report success: FALSE for a parameter the element does not have.
	Bool GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags);
	Bool SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags);
	Bool Message(LONG type, void* data = nullptr);
	// Fills description with the element's parameters.
	Bool GetDescription(Description* description, DESCFLAGS_DESC flags);

private:
	friend class C4DAtomGoal;
	C4DAtom(LONG type, LONG classification) : type_(type), classification_(classification) {}
	~C4DAtom() {}
	C4DAtom(const C4DAtom&);
	C4DAtom& operator=(const C4DAtom&);

	LONG type_;
	LONG classification_;
};

// An atom that links can point at.
class C4DAtomGoal : public C4DAtom
{
public:
	struct Anchor;
	// The weak reference that links to this element hold.
	Anchor* GetAnchor() const { return anchor_; }

private:
	friend class GeListNode;
	C4DAtomGoal(LONG type, LONG classification);
	~C4DAtomGoal();

	Anchor* anchor_;
};

class GeListNode : public C4DAtomGoal
{
public:
	virtual ~GeListNode() {}

	// The document the node belongs to, or null.
	BaseDocument* GetDocument() { return doc_; }
	// Takes the node out of its document and list; the caller then owns it.
	void Remove();

protected:
	GeListNode(LONG type, LONG classification) : C4DAtomGoal(type, classification), doc_(nullptr) {}
	// Hook for the list that holds the node.
	virtual void RemoveFromParent() {}
	friend class BaseDocument;
	void SetDocument(BaseDocument* doc) { doc_ = doc; }

	// What C4DAtom's calls reach; a plain node has no parameters.
	friend class C4DAtom;
	virtual Bool ParameterGet(const DescID& id, GeData& t_data, DESCFLAGS_GET flags);
	virtual Bool ParameterSet(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags);
	virtual Bool MessageHook(LONG type, void* data);
	virtual Bool DescriptionHook(Description* description, DESCFLAGS_DESC flags);

private:
	BaseDocument* doc_;
};

class BaseList2D : public GeListNode
{
public:
	virtual ~BaseList2D();

	const String& GetName() const { return name_; }
	void SetName(const String& name) { name_ = name; }
	BaseContainer* GetDataInstance() { return &data_; }
	const BaseContainer* GetDataInstance() const { return &data_; }
	BaseContainer GetData() { return data_; }
	// add: the entries of bc join the container, replacing those of the same
	// id; otherwise bc replaces the container whole.
	void SetData(const BaseContainer& bc, Bool add = TRUE);

	void SetDirty(DIRTYFLAGS flags);
	// How often SetDirty named any of flags.
	ULONG GetDirty(DIRTYFLAGS flags) const;

	// The plug-in object of a plug-in element, else null.
	NodeData* GetNodeData() const { return node_; }

	// The number that identifies the element across sessions: the host
	// assigns it at creation and scene files keep it, so links survive a
	// save and load.
	LLONG GetUniqueId() const { return uniqueId_; }

	// The track animating parameter id, or null.
	CTrack* FindCTrack(const DescID& id);
	// The first of the element's tracks, or null. A track leaves its element
	// with Remove.
	CTrack* GetFirstCTrack() { return GetTrackByIndex(0); }
	// Takes ownership; a track for the same parameter is replaced.
	void InsertTrackSorted(CTrack* track);
	LONG GetTrackCount() const { return (LONG)tracks_.size(); }
	CTrack* GetTrackByIndex(LONG i) const { return (i >= 0 && i < GetTrackCount()) ? tracks_[(size_t)i] : nullptr; }

protected:
	// A host element type of the catalogue: its parameters are the type's
	// own, set to their defaults. Without a type, any id of the data
	// container is a parameter (plug-in elements).
	BaseList2D(LONG type, LONG classification, const ElementType* catalogueType = nullptr);
	// Takes ownership.
	void SetNodeData(NodeData* node) { node_ = node; }

	// The plug-in's hooks first, then the element's own handling below.
	virtual Bool ParameterGet(const DescID& id, GeData& t_data, DESCFLAGS_GET flags);
	virtual Bool ParameterSet(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags);
	virtual Bool MessageHook(LONG type, void* data);
	virtual Bool DescriptionHook(Description* description, DESCFLAGS_DESC flags);
	// The name, and entries of the data container by the first level's id;
	// a second level VECTOR_X .. VECTOR_Z addresses one component of a vector.
	virtual Bool DefaultGetParameter(const DescID& id, GeData& t_data);
	virtual Bool DefaultSetParameter(const DescID& id, const GeData& t_data);

private:
	// Host-side: a loaded element takes back the id it was saved with.
	friend void HostSetUniqueId(BaseList2D* element, LLONG id);
	friend class CTrack;
	// Takes the track out; the caller then owns it.
	void DetachTrack(CTrack* track);

	String name_;
	BaseContainer data_;
	NodeData* node_;
	LLONG uniqueId_;
	const ElementType* catalogueType_;
	std::vector<CTrack*> tracks_;
	ULONG dirty_[8];
};

#endif

// Documents: objects, materials, time, settings and scene evaluation.
#ifndef C4D_BASEDOCUMENT_H__
#define C4D_BASEDOCUMENT_H__

#include <vector>

#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_tagdata.h"

class BaseThread;

enum DOCUMENTSETTINGS
{
	DOCUMENTSETTINGS_GENERAL = 0,
	DOCUMENTSETTINGS_MODELING = 1,
	DOCUMENTSETTINGS_DOCUMENT = 2,
	DOCUMENTSETTINGS_ANIMATIONSYSTEM = 7,
	DOCUMENTSETTINGS_TOOLS = 8
};

// Keys of the document's settings container.
enum
{
	DOCUMENT_FPS = 1001,       // integer
	DOCUMENT_MINTIME = 1002,   // time
	DOCUMENT_MAXTIME = 1003    // time
};

enum BUILDFLAGS
{
	BUILDFLAGS_0 = 0,
	BUILDFLAGS_INTERNALRENDERER = 2,
	BUILDFLAGS_EXTERNALRENDERER = 4
};

enum EVENT
{
	EVENT_0 = 0
};

enum UNDOTYPE
{
	UNDOTYPE_CHANGE = 40,
	UNDOTYPE_CHANGE_NOCHILDREN = 41,
	UNDOTYPE_CHANGE_SMALL = 42,
	UNDOTYPE_CHANGE_SELECTION = 43,
	UNDOTYPE_NEW = 44,
	UNDOTYPE_DELETE = 45
};

class BaseDocument : public BaseList2D
{
public:
	// 30 frames per second, time range 0 to 90 frames, time 0.
	static BaseDocument* Alloc();
	static void Free(BaseDocument*& doc);
	virtual ~BaseDocument();

	BaseTime GetTime() { return time_; }
	void SetTime(const BaseTime& t) { time_ = t; }
	// The frame rate of the settings, at least 1.
	LONG GetFps() const;
	void SetFps(LONG fps);
	BaseTime GetMinTime() const;
	void SetMinTime(const BaseTime& t);
	BaseTime GetMaxTime() const;
	void SetMaxTime(const BaseTime& t);

	// The settings container of the kind asked for (only the general settings
	// hold anything).
	BaseContainer GetData(DOCUMENTSETTINGS type);
	void SetData(DOCUMENTSETTINGS type, const BaseContainer& bc);

	BaseObject* GetFirstObject() const { return objects_.empty() ? nullptr : objects_.front(); }
	LONG GetObjectCount() const { return (LONG)objects_.size(); }
	BaseObject* GetObjectByIndex(LONG i) const { return (i >= 0 && i < GetObjectCount()) ? objects_[(size_t)i] : nullptr; }
	// Inserts an object the caller owned after pred (first when null); the
	// document owns it from then on.
	void InsertObject(BaseObject* op, BaseObject* pred = nullptr);
	BaseMaterial* GetFirstMaterial() const { return materials_.empty() ? nullptr : materials_.front(); }
	LONG GetMaterialCount() const { return (LONG)materials_.size(); }
	BaseMaterial* GetMaterialByIndex(LONG i) const { return (i >= 0 && i < GetMaterialCount()) ? materials_[(size_t)i] : nullptr; }
	void InsertMaterial(BaseMaterial* mat, BaseMaterial* pred = nullptr);

	// Undo groups. A step records the element's state before the change (its
	// data container, name, tracks and keys); a step added while no group is open joins the
	// last group, the host's current one. Groups nest: only the outermost
	// EndUndo closes a group.
	Bool StartUndo();
	// data is the BaseList2D about to change. Steps come from the main
	// thread here, so allowFromThread changes nothing.
	Bool AddUndo(UNDOTYPE type, void* data, Bool allowFromThread = FALSE);
	Bool EndUndo();
	// Reverts the last group; FALSE when there is none. The group can then be
	// redone.
	Bool DoUndo(Bool multiple = FALSE);
	Bool DoRedo();
	LONG GetUndoCount() const;
	LONG GetRedoCount() const;

	// Evaluates the scene at the document's time: with animation, every
	// animated parameter is set to its track's value; with expressions, every
	// expression tag runs, ordered by its expression priority.
	Bool ExecutePasses(BaseThread* bt, Bool animation, Bool expressions, Bool caches, BUILDFLAGS flags);

	// Keys parameter id of op at time with the parameter's current value: adds
	// the key, or replaces the one already at that time, creating the
	// parameter's track when there is none. FALSE, with nothing changed, when
	// the parameter cannot be read or the time is not finite. The key is
	// undone with an undo step the caller added for op (a step records its
	// tracks); the three switches change nothing here.
	Bool RecordKey(BaseList2D* op, const BaseTime& time, const DescID& id, BaseList2D* undo, Bool eval_attribmanager,
		Bool autokeying, Bool allow_linking);

private:
	BaseDocument();
	friend class BaseObject;
	friend class BaseMaterial;
	void DetachObject(BaseObject* op);
	void DetachMaterial(BaseMaterial* mat);

	// Host-side: bounds the history of a document whose undo no one reads.
	friend void HostSetUndoLimit(BaseDocument* doc, LONG groups);

	struct UndoHistory;
	UndoHistory* undo_;
	BaseTime time_;
	std::vector<BaseObject*> objects_;
	std::vector<BaseMaterial*> materials_;
};

// The document the user works in; the embedding program sets it.
BaseDocument* GetActiveDocument();
// Tells the host that something changed and it should redraw.
void EventAdd(EVENT flags = EVENT_0);

// Schedules tags whose AddToExecution returns TRUE.
class PriorityList
{
public:
	void Add(GeListNode* node, LONG priority, EXECUTIONFLAGS flags);

private:
	friend class BaseDocument;
	struct Item
	{
		GeListNode* node;
		LONG priority;
		EXECUTIONFLAGS flags;
	};
	std::vector<Item> items_;
};

#endif

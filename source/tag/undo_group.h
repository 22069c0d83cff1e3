// An undo group that closes itself.
#ifndef PULSOR_UNDO_GROUP_H__
#define PULSOR_UNDO_GROUP_H__

#include "c4d.h"

// Opens an undo group on the document and closes it on every path.
class UndoGroup
{
public:
	explicit UndoGroup(BaseDocument* doc) : doc_(doc) { doc_->StartUndo(); }
	~UndoGroup() { doc_->EndUndo(); }

private:
	UndoGroup(const UndoGroup&);
	UndoGroup& operator=(const UndoGroup&);
	BaseDocument* doc_;
};

#endif

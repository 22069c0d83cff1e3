// Parameter identifiers and description settings.
#ifndef LIB_DESCRIPTION_H__
#define LIB_DESCRIPTION_H__

#include "c4d_basecontainer.h"

enum
{
	DTYPE_NONE = 0,
	DTYPE_GROUP = 1,
	DTYPE_COLOR = 3,
	DTYPE_SUBCONTAINER = 5,
	DTYPE_BUTTON = 8,
	DTYPE_SEPARATOR = 11,
	DTYPE_STATICTEXT = 12,
	DTYPE_POPUP = 13,
	DTYPE_LONG = 15,
	DTYPE_REAL = 19,
	DTYPE_TIME = 22,
	DTYPE_VECTOR = 23,
	DTYPE_MATRIX = 25,
	DTYPE_STRING = 130,
	DTYPE_FILENAME = 131,
	DTYPE_BASELISTLINK = 133,
	DTYPE_BOOL = 400006001
};

enum
{
	DESC_NAME = 1,
	DESC_SHORT_NAME = 2,
	DESC_VERSION = 3,
	DESC_CHILDREN = 4,
	DESC_MIN = 5,
	DESC_MAX = 6,
	DESC_MINEX = 7,
	DESC_MAXEX = 8,
	DESC_STEP = 9,
	DESC_ANIMATE = 10,
	DESC_ASKOBJECT = 11,
	DESC_UNIT = 12,
	DESC_PARENTGROUP = 13,
	DESC_CYCLE = 14,
	DESC_HIDE = 15,
	DESC_DEFAULT = 16,
	DESC_ACCEPT = 17,
	DESC_SEPARATORLINE = 18,
	DESC_REFUSE = 19,
	DESC_PARENTID = 20,
	DESC_CUSTOMGUI = 21,
	DESC_COLUMNS = 22,
	DESC_LAYOUTGROUP = 23,
	DESC_REMOVEABLE = 24,
	DESC_GUIOPEN = 25,
	DESC_EDITABLE = 26,
	DESC_MINSLIDER = 27,
	DESC_MAXSLIDER = 28,
	DESC_SCALEH = 30,
	DESC_FITH = 33,
	DESC_NEWLINE = 34,
	DESC_CYCLEICONS = 36
};

// Control kinds under DESC_CUSTOMGUI beyond the plain data types.
enum
{
	CUSTOMGUI_BITMAPBUTTON = 1000479,
	CUSTOMGUI_REALSLIDER = 1000489,
	CUSTOMGUI_LINKBOX = 1009415,
	CUSTOMGUI_REALSLIDERONLY = 200000006
};

// A bitmap button's setting: TRUE makes it act as a push button.
enum
{
	BITMAPBUTTON_BUTTON = 'butt'
};


enum
{
	DESC_UNIT_REAL = 'frea',
	DESC_UNIT_LONG = 'flng',
	DESC_UNIT_PERCENT = 'fpct',
	DESC_UNIT_DEGREE = 'fdgr',
	DESC_UNIT_METER = 'fmet',
	DESC_UNIT_TIME = 'ffrm'
};

enum
{
	VECTOR_X = 1000,
	VECTOR_Y = 1001,
	VECTOR_Z = 1002,
	ID_BASELIST_NAME = 900,
	ID_BASEOBJECT_REL_POSITION = 903,
	ID_BASEOBJECT_REL_ROTATION = 904,
	ID_BASEOBJECT_REL_SCALE = 905,
	EXPRESSION_PRIORITY = 1000998
};

struct DescLevel
{
	LONG id;
	LONG dtype;
	LONG creator;

	DescLevel(LONG t_id) : id(t_id), dtype(0), creator(0) {}
	DescLevel(LONG t_id, LONG t_datatype, LONG t_creator) : id(t_id), dtype(t_datatype), creator(t_creator) {}

	// Ids must match; a data type or creator of 0 on either side matches any.
	Bool operator==(const DescLevel& d) const
	{
		return id == d.id && (dtype == 0 || d.dtype == 0 || dtype == d.dtype) &&
			(creator == 0 || d.creator == 0 || creator == d.creator);
	}
	Bool operator!=(const DescLevel& d) const { return !(*this == d); }
};

// A path of levels naming one parameter, or one part of it. It is also custom
// data (CUSTOMDATATYPE_DESCID), so a container can hold one.
class DescID : public CustomDataType
{
public:
	enum { MAX_DEPTH = 8 };

	DescID() : depth_(0) {}
	explicit DescID(LONG id1) : depth_(0) { PushId(DescLevel(id1)); }
	DescID(const DescLevel& id1) : depth_(0) { PushId(id1); }
	DescID(const DescLevel& id1, const DescLevel& id2) : depth_(0) { PushId(id1); PushId(id2); }
	DescID(const DescLevel& id1, const DescLevel& id2, const DescLevel& id3) : depth_(0)
	{
		PushId(id1); PushId(id2); PushId(id3);
	}

	void SetId(const DescLevel& subid) { depth_ = 0; PushId(subid); }
	// Refused quietly past MAX_DEPTH levels.
	void PushId(const DescLevel& subid)
	{
		if (depth_ < MAX_DEPTH)
			levels_[depth_++] = subid;
	}
	void PopId() { if (depth_ > 0) --depth_; }
	LONG GetDepth() const { return depth_; }
	// A zero level outside 0 .. depth - 1.
	const DescLevel& operator[](LONG pos) const { return (pos >= 0 && pos < depth_) ? levels_[pos] : Zero(); }

	// True when this identifier's levels start cmp; *pos receives this depth.
	Bool IsPartOf(const DescID& cmp, LONG* pos) const;
	// Drops the first shift levels.
	const DescID operator<<(LONG shift) const;

	Bool operator==(const DescID& d) const;
	Bool operator!=(const DescID& d) const { return !(*this == d); }

private:
	static const DescLevel& Zero();
	LONG depth_;
	DescLevel levels_[MAX_DEPTH] = { 0, 0, 0, 0, 0, 0, 0, 0 };
};

class AtomArray;

// The description of an element: its parameters (and, for a page being
// built, its groups and controls) in order, each with its settings container
// and its parent.
class Description
{
public:
	static Description* Alloc();
	static void Free(Description*& description);
	~Description();

	// Adds the static elements of the description resource registered for
	// element type type (a registered plug-in type). FALSE when there is none.
	Bool LoadDescription(LONG type);
	// Adds an element. FALSE when the page already holds id, or, while the
	// whole page is built, when groupid is neither empty, nor the element type
	// whose resource was loaded, nor an element of the page.
	Bool SetParameter(const DescID& id, const BaseContainer& settings, const DescID& groupid);
	// The settings of the element whose first level is id's first level; null
	// when there is none. temp is not used: the result points into the page.
	const BaseContainer* GetParameter(const DescID& id, BaseContainer& temp, AtomArray* ar) const;
	BaseContainer* GetParameterI(const DescID& id, AtomArray* ar);
	// TRUE when id names an element, or one component (VECTOR_X .. VECTOR_Z)
	// of a vector or colour element; completeid then receives it with the data
	// type of every level.
	Bool CheckDescID(const DescID& searchid, const AtomArray& ops, DescID* completeid);
	// The one element the host asked for, or null for the whole page.
	const DescID* GetSingleDescID();

	// For the host: the elements in order.
	LONG GetElementCount() const;
	// Null past the end.
	const DescID* GetElementId(LONG index) const;
	const DescID* GetElementParent(LONG index) const;
	const BaseContainer* GetElementSettings(LONG index) const;
	void SetSingleDescID(const DescID* id);

private:
	Description();
	Description(const Description&);
	Description& operator=(const Description&);
	struct Impl;
	Impl* impl_;
};

// The host's default description settings of a value of data type type
// (name, limits, step, unit); an empty container for an unknown type.
BaseContainer GetCustomDataTypeDefault(LONG type);

#endif

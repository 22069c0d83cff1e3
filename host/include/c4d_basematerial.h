// Materials of a document.
#ifndef C4D_BASEMATERIAL_H__
#define C4D_BASEMATERIAL_H__

#include "c4d_baselist.h"

enum
{
	Mmaterial = 5703
};

// Parameters of the standard material.
enum
{
	MATERIAL_COLOR_COLOR = 2100,        // colour
	MATERIAL_COLOR_BRIGHTNESS = 2101    // real
};

class BaseMaterial : public BaseList2D
{
public:
	// A new material of a catalogue type; null for an unknown type.
	static BaseMaterial* Alloc(LONG type);
	static void Free(BaseMaterial*& mat);
	virtual ~BaseMaterial();

	// Recomputes the material's preview (and render-time data) after a change.
	void Update(Bool preview, Bool rttm);

protected:
	explicit BaseMaterial(LONG type);
	virtual void RemoveFromParent();
};

#endif

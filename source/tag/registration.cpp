#include "registration.h"

#include "pulsor.h"
#include "resource_files.h"

namespace
{

// The tag's display name in the string table.
const LONG IDS_PULSOR = 10000;
const LONG kPulsorInfo = TAG_VISIBLE | TAG_MULTIPLE | TAG_EXPRESSION;
// The description resource the tag's page starts from.
const CHAR* const kDescription = "Pulsor";
const LONG kDiskLevel = 0;
const CHAR* const kIconFile = "X.tif";

} // namespace

Bool RegisterPulsor()
{
	// Freed when the scope ends, after the registration has used it.
	AutoAlloc<BaseBitmap> icon;
	if (!icon || icon->Init(ResourceFile(kIconFile), -1) != IMAGERESULT_OK)
		return FALSE;
	const String name = GeLoadString(IDS_PULSOR);
	if (!name.Content())
		return TRUE;
	return RegisterTagPlugin(PULSOR_TAG_ID, name, kPulsorInfo, Pulsor::Alloc, kDescription, icon, kDiskLevel);
}

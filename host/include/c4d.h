// The whole plug-in interface.
#ifndef C4D_H__
#define C4D_H__

#include "ge_math.h"
#include "c4d_memory.h"
#include "c4d_string.h"
#include "c4d_basetime.h"
#include "c4d_file.h"
#include "c4d_basebitmap.h"
#include "c4d_customdatatype.h"
#include "c4d_gedata.h"
#include "c4d_basecontainer.h"
#include "lib_description.h"
#include "customgui_splinecontrol.h"
#include "customgui_bitmapbutton.h"
#include "c4d_atomarray.h"
#include "c4d_baselist.h"
#include "c4d_nodedata.h"
#include "c4d_tagdata.h"
#include "c4d_basetag.h"
#include "c4d_general.h"
#include "c4d_resource.h"
#include "c4d_hyperfile.h"
#include "c4d_plugin.h"
#include "c4d_messages.h"
#include "c4d_canimation.h"
#include "c4d_basedocument.h"

#endif

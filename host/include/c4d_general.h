// Host services that are not bound to an element.
#ifndef C4D_GENERAL_H__
#define C4D_GENERAL_H__

#include "c4d_basecontainer.h"
#include "c4d_file.h"

// Smooth, deterministic 3D gradient noise in 0..1, bit-identical on every
// platform. Non-finite coordinates give 0.5.
Real Noise(const Vector& p);

enum
{
	BFM_INPUT_MOUSE = 'mous',
	BFM_INPUT_KEYBOARD = 'keyb',
	BFM_INPUT_MOUSELEFT = 1,
	BFM_INPUT_MOUSERIGHT = 2,
	BFM_INPUT_VALUE = 'ipva'
};

// The state of one input channel: BFM_INPUT_VALUE 1 while a mouse button is
// down. FALSE for a device the host cannot poll.
Bool GetInputState(LONG askdevice, LONG askchannel, BaseContainer& res);

// Opens a web page; the host decides how.
Bool GeOpenHTML(const String& webaddress);

// Asks the user a yes/no question; TRUE for yes.
Bool QuestionDialog(const String& text);
// Shows progress in the status bar (0 .. 100).
void StatusSetBar(LONG p);
void StatusClear();

#endif

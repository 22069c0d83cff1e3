#ifndef _PULSOR_H_
#define _PULSOR_H_

enum
{
	Pulsor = 1031805
};

#endif

// Behaviour that later work fills in.

#include "exercise/frmmain.h"


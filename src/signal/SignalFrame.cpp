#include "signal/SignalFrame.h"

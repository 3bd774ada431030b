// cvprov.dll: the library itself. Its exports come from the provider's core,
// linked in whole.
#include "cvprov/cvprov.h"

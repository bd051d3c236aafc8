#include "ModelFileReader.h"

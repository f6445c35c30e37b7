#include "core/Calculator.h"

#pragma once
#include "view/Plot.h"

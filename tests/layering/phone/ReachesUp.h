#pragma once

// A core file reaching up into a subsystem above it: the layering check must refuse this tree.
#include "catalogue/IArchiveCatalogue.h"

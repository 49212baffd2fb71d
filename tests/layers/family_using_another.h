#pragma once
// A fixture for the layer check: a family that reaches into another family.
#include "core/text.h"
#include "family/entry_family.h"
#include "registry/registry_family.h"

#pragma once

#include "platform/Array.h"

// The fields import and export offer, in their order: each entry's "publicKey" is the title
// users see and its "innerKey" the record key or key path the field reads and writes.
ArrayRef recordFieldTable();

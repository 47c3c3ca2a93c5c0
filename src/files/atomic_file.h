#pragma once
// Whole-file reading and writing for the files the operator owns: the
// replacement itself is a service of the operating system (platform/).
#include "platform/atomic_file.h"

namespace bx {

using platform::AtomicFile;
using platform::checkOutputTarget;
using platform::openRegularFile;
using platform::readWholeFile;
using platform::writeFileAtomic;

}  // namespace bx

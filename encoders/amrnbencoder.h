#pragma once

#include "amrencoder.h"

namespace sonvera::encoders {

// AmrEncoder on libopencore-amrnb, without discontinuous transmission (every
// 20 ms block gives one speech frame).
std::unique_ptr<AmrEncoder> createOpencoreAmrEncoder(int mode);

} // namespace sonvera::encoders

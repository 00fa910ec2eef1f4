// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/strong/History.h"

#include <cstring>

namespace strong {

void Histories::Clear() {
    std::memset(Quiet, 0, sizeof Quiet);
    std::memset(Capture, 0, sizeof Capture);
    std::memset(static_cast<void*>(Counter), 0, sizeof Counter);
    std::memset(FollowUp, 0, sizeof FollowUp);
}

}  // namespace strong

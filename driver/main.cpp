// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry of the engine-only build.
#include "driver/Talvor.h"

int main(int argc, char** argv) {
    return Main(argc, argv);
}

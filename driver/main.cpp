// Program entry.
#include <cstdio>

int main() {
    std::printf("talvor %s\n", TALVOR_VERSION);
    return 0;
}

#include <cstdio>

int main()
{
    std::puts("mirelda-tool " MIRELDA_VERSION);
    return 0;
}

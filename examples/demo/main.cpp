// Carrelon demo: a form with a formatted grid. Until the grid paints itself this only says what
// it will become.
#include <cstdio>

int main() {
    std::puts("Carrelon demo: a form with a formatted, editable grid (fonts, colours, merged");
    std::puts("cells, check boxes, buttons, pictures). It opens a window when a display exists,");
    std::puts("else renders the grid to PNG in ./demo-output. The grid does not paint yet.");
    return 0;
}

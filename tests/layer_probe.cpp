// Compiled against one layer's view of the tree: builds where the file
// methods' base is visible (fum and above) and fails below it.
#include "fum/fumio.h"

int main() { return 0; }

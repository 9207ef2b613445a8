#include "shell/app.h"

int main() { return Tindral_Main(); }

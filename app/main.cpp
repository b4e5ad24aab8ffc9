// The print engine program: vyr [page files [copies [test]]].
#include "app/print_app.h"

namespace {
CPrintApp theApp;
}

int main(int argc, char** argv) { return RunApplication(argc, argv, theApp); }

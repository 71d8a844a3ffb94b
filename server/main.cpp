// fbview: the bundled display server.
#include "server/app.h"

int main(int argc, char** argv) { return server::fbview_main(argc, argv); }

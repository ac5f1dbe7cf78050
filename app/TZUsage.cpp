#include "TZUsage.h"

#include <cstring>

namespace {

constexpr const char* kHelp =
    "Usage: tessaron [OPTION]... [LAYOUT]...\n"
    "Shows the results of a timing or scoring system live on a board, a projector or a\n"
    "second monitor, and edits the layouts that show them. The layout files named are\n"
    "opened; when the program runs already, the running copy opens them.\n"
    "\n"
    "Options:\n"
    "  --home DIR            the folder of the program's files: configuration, log,\n"
    "                        scripts, language files and bitmap fonts\n"
    "  --kiosk               for a display PC: the display window on its monitor and the\n"
    "                        main window minimised; ends at once, asking nothing, when\n"
    "                        the program runs already\n"
    "  --quit-after SECONDS  ends the program after that many seconds, as File|Exit does\n"
    "  --display-png FILE    writes the display window's last picture to FILE at the end\n"
    "  -noserialport         opens no serial port\n"
    "  -plainpause           pauses the loop every millisecond instead of sleeping until\n"
    "                        something is due\n"
    "  --help                shows this help and exits\n"
    "  --version             shows the version and exits\n"
    "The toolkit's own options (such as -platform offscreen) are taken as well.\n"
    "\n"
    "Environment:\n"
    "  TESSARON_HOME         the folder of the program's files when --home is not given\n"
    "  XDG_CONFIG_HOME       where the profile of the next start is kept (~/.config)\n"
    "\n"
    "Files:\n"
    "  Without --home or TESSARON_HOME, the program keeps its files in\n"
    "  ~/.local/share/tessaron, where the files shipped with it (in\n"
    "  /usr/share/tessaron when installed) are copied when missing; a build keeps them\n"
    "  in its own folder.\n"
    "\n"
    "Signals:\n"
    "  SIGTERM, SIGINT and SIGHUP end the program in order, saving its configuration.\n";

}  // namespace

bool AnswerUsage(int argc, char** argv, FILE* out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, out);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "tessaron %s\n", TESSARON_VERSION);
            return true;
        }
    }
    return false;
}

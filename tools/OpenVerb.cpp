#include "OpenVerb.h"

#include <filesystem>
#include <string>

#include "KRequestSocket.h"
#include "KRuntimeFolder.h"
#include "VerbOptions.h"

int RunOpenVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App app("ask the running program to open a layout file", "open");
    std::string path;
    app.add_option("PATH", path, "the layout file")->required();
    if (const int code = ParseVerbOptions(app, argc, argv, out, err); code >= 0) return code;
    const KRuntimeFolder folder;
    if (folder.Path().empty()) {
        std::fprintf(err, "tessaron-cli open: %s\n", folder.Problem().c_str());
        return 1;
    }
    const std::string request = "OpenLayout,\"" + std::filesystem::absolute(path).string() + "\"";
    switch (SendRequest(RequestSocketPath(folder), request)) {
        case KRequestReply::kAck:
            std::fputs("ACK\n", out);
            return 0;
        case KRequestReply::kBusy:
            std::fputs("BUSY\n", out);
            return 2;
        case KRequestReply::kError:
            std::fputs("ERROR\n", out);
            std::fputs("tessaron-cli open: the program refused the request (longer than 64 KiB)\n",
                       err);
            return 1;
        case KRequestReply::kNoServer:
            break;
    }
    std::fputs("tessaron-cli open: the program is not running\n", err);
    return 1;
}

#include "ui/app/mirelda_app.h"

using namespace mirelda::ui;

int main(int argc, char* argv[])
{
    if (const auto code = CMireldaApp::HandleLongOptions(argc, argv))
        return *code;
    CMireldaApp app(argc, argv);
    return app.Run();
}

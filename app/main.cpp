// tessaron: the results display program.

#include <QApplication>

#include "TZApplication.h"

int main(int argc, char** argv) {
    QApplication toolkit(argc, argv);
    TZApplication program(argc, argv);
    return program.Run();
}

// tessaron: the results display program.

#include <QApplication>
#include <cstdio>

#include "TZApplication.h"
#include "TZUsage.h"

int main(int argc, char** argv) {
    if (AnswerUsage(argc, argv, stdout)) return 0;
    QApplication toolkit(argc, argv);
    TZApplication program(argc, argv);
    return program.Run();
}

// Process entry: the shell's start-up runs the whole program.
#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return 0;
}

#include "app/application.h"

int main(int argc, char* argv[])
{
    return Application::run(argc, argv);
}

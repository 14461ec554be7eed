#include "app/StartUp.h"

int main(int argc, char **argv)
{
    return runLumbra(argc, argv);
}

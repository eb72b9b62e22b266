#include "application.h"

int main(int argc, char *argv[])
{
    return sonvera::runApplication(argc, argv);
}

// klang-jetimport: reads a Jet/Access file in a process of its own for the programs'
// conversion (see platform/jet/JetImportProcess.h); it lies beside the programs.

#include "platform/jet/JetImportProcess.h"

int main(int argc, char** argv)
{
    return klang::jet::jetImportHelperMain(argc, argv);
}

#pragma once
// The process result of OMBAgenCmd; it is printed last and returned.

namespace cmdgen {

enum ReturnCode : int {
    CodeDone = 0,                // the run finished; also after help
    CodeFrameworkFailed = 1,     // start-up failed
    CodeUsage = 2,               // no project argument, a stray argument or an unknown switch
    CodeConfigMissing = 3,       // ombagen.cfg is missing beside the program or holds no models
    CodeProjectOpenFailed = 4,   // opening or reading the project failed
    CodeNotFound = 5,            // without -x: no CPU or no application of the given names
    CodeSaveFailed = 6,          // with -s: writing a project, application or kernel file failed
    CodeFolderChangeFailed = 7,  // the program's folder could not be made current
    CodeGenerationFailed = 8,    // code generation or the report failed
};

} // namespace cmdgen

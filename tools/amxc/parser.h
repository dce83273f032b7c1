// The parser: reads a project's source files (following Include and Import) into one
// Program, reporting every syntax error with its position and going on with the next line.
// Entry point: ParseProject.
#pragma once
#include <string>

#include "tools/amxc/ast.h"
#include "tools/amxc/source.h"

namespace amxc {

// Parses the file at path (already loaded as file index `file`) and every file it includes.
void ParseFile(SourceSet& sources, int32_t file, Diagnostics& diags, Program& program);

// Loads and parses a project file; an unreadable file is reported through diags.
Program ParseProject(SourceSet& sources, const std::string& path, Diagnostics& diags);

}  // namespace amxc

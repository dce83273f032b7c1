// The compiler driver: parses a project, checks it and generates its application image
// (code for every handler, helper function, window accessor and the entry function; class
// descriptors, window descriptions, menu bar, settings and plug-in list in data1).
// Entry points: CompileProject, CompileSource.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/amxc/source.h"
#include "tools/imagekit/imagekit.h"

namespace amxc {

struct CompiledImage {
  imagekit::Image image;
  // code1 offset of every compiled function, by lower-case qualified name:
  // "module.function", "window.event", "window.control.event", "window.menuitem",
  // "window.accessor", "class.destructor", "class.constructor", "entry".
  std::map<std::string, uint32_t> functions;
  // class-table index of every class the image names, by lower-case name.
  std::map<std::string, int32_t> classIndexes;
};

struct CompileOptions {
  // Where a plug-in library named by `Plugin ... From "PATH"` is looked for when PATH is not
  // found beside the project file: DIR/PATH, then DIR/(PATH's file name), directory by
  // directory (libraries the build writes elsewhere than the sources).
  std::vector<std::string> pluginDirs;
};

// Compiles the project whose main file is already loaded as file `file` of sources.
// Returns false (with every error in diags) when the project has errors.
bool CompileSource(SourceSet& sources, int32_t file, Diagnostics& diags, CompiledImage& out,
                   const CompileOptions& options = {});

// Loads and compiles the project file at path.
bool CompileProject(SourceSet& sources, const std::string& path, Diagnostics& diags,
                    CompiledImage& out, const CompileOptions& options = {});

}  // namespace amxc

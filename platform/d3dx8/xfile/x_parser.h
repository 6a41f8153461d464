// Reading .x files into a tree of data objects. Templates declared in the file
// are used for its objects; objects of a template that is neither declared nor
// known are skipped. Every failure leaves the result empty and gives a reason.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "d3dx8/xfile/x_data.h"
#include "d3dx8/xfile/x_status.h"
#include "d3dx8/xfile/x_template.h"

namespace nol::d3dx8::xfile {

// The largest file the path helper reads.
constexpr size_t kMaxXFileSize = 256u << 20;

// Parses a whole .x file held in memory. Templates are looked up in the file's
// own declarations first, then in known (the standard templates when null).
XParseResult ParseXFile(const void* data, size_t size, XFileTree& out, const XTemplateRegistry* known = nullptr);
XParseResult ParseXFileFromPath(const char* path, XFileTree& out, const XTemplateRegistry* known = nullptr);

// Parses a .x file for its template declarations only and adds them to into.
// Data objects in it are skipped. Returns false with a reason on failure, leaving
// into unchanged.
bool ParseTemplates(const void* data, size_t size, XTemplateRegistry& into, std::string& error);

}  // namespace nol::d3dx8::xfile

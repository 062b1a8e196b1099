// FileFilter.h - the filter of a file dialog from a filter list of the
// message table: "Name (*.x)|*.x|All Files (*.*)|*.*||" becomes
// "Name (*.x);;All Files (*.*)", the form FileRequest::filter takes.
#pragma once

#include <string>

std::string DialogFilter(const std::string& filterList);

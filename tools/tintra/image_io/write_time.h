// What some writers of OpenImageIO 2.4 would put into a file from the
// moment of writing, which would make two renders of one frame differ in
// bytes: the EXR and TIFF writers' DateTime, and the name of the temporary
// file a DPX header records.
#pragma once

#include <string>

#include <OpenImageIO/imageio.h>

// Keeps an output header's DateTime as the input gave it, or none: for a
// header without one, the EXR and TIFF writers are told of one they cannot
// write.
void KeepInputDate(const std::string& format, OIIO::ImageSpec& header);

// Gives the DPX written on fd the output's own file name in its header in
// place of the temporary file's; other formats are left as they are.
bool NameDpxHeader(const std::string& format, int fd, const std::string& path, std::string& error);

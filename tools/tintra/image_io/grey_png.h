// A grey PNG input whose render is still grey goes out as a grey PNG: the
// host renders RGB, and an identity render should not change a file's
// colour type.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

// Whether the input chunks' IHDR (as KeepPngChunks records them) is a grey
// or grey+alpha image.
bool GreyPngInput(const std::vector<unsigned char>& chunks);

// Rewrites the RGB(A) PNG at path, open on fd, whose header was header, as
// grey (or grey+alpha): only for samples the caller knows are grey.
bool RewriteAsGrey(int fd, const std::string& path, const OIIO::ImageSpec& header, std::string& error);

// The sample type an output file is written in, as oiiotool names them: a
// fact of image files that the command line asks for and the writer carries out.
#pragma once

enum class Samples { Input, UInt8, UInt10, UInt12, UInt16, Half, Float };

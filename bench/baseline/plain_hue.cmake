# The plain pipeline that the pixel functions are measured against and must
# match bit for bit. Both the benchmark and the unit tests use it, so whichever
# directory comes first defines it.
if(NOT TARGET tintra_color_plain)
  add_library(tintra_color_plain STATIC ${CMAKE_CURRENT_LIST_DIR}/plain_hue.cpp)
  target_link_libraries(tintra_color_plain PUBLIC tintra_color)
  tintra_colour_flags(tintra_color_plain)
  tintra_warnings(tintra_color_plain)
endif()

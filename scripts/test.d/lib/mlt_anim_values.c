/* Prints the value MLT gives a parameter set to VALUE (MLT's animation
 * syntax, e.g. "0=0;49=360") at each frame 0..COUNT-1 of a filter COUNT
 * frames long, one a line, as its openfx module reads a double parameter
 * for each frame it renders. Built by the MLT stage against the MLT it
 * renders with. Usage: mlt_anim_values VALUE COUNT */
#include <framework/mlt.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: mlt_anim_values VALUE COUNT\n");
        return 2;
    }
    int count = atoi(argv[2]);
    mlt_properties properties = mlt_properties_new();
    mlt_properties_set(properties, "value", argv[1]);
    for (int frame = 0; frame < count; ++frame)
        printf("%.17g\n", mlt_properties_anim_get_double(properties, "value", frame, count));
    mlt_properties_close(properties);
    return 0;
}

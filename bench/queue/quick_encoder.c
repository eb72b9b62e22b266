/* A stand-in for data/coder in the queue benchmark: no Qt, no ffmpeg, so a
 * converted file costs the driver's own work and one cheap process. Prints
 * what coder prints for a short file, writes a one-byte output without
 * replacing anything (-2, -3, ... as the real encoders do) and says its name. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 1;
    const char *output = argv[argc - 1];
    char name[4096];
    int fd = -1;
    for (int n = 1; fd < 0 && n < 1000; ++n) {
        const char *dot = strrchr(output, '.');
        const char *slash = strrchr(output, '/');
        if (n == 1 || !dot || (slash && dot < slash))
            snprintf(name, sizeof name, n == 1 ? "%s" : "%s-%d", output, n);
        else
            snprintf(name, sizeof name, "%.*s-%d%s", (int)(dot - output), output, n, dot);
        fd = open(name, O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 && errno != EEXIST)
            return 1;
    }
    if (fd < 0 || write(fd, "x", 1) != 1)
        return 1;
    close(fd);
    const char *base = strrchr(name, '/');
    printf("  Duration: 00:00:02.00, start: 0\ntime=1.00\r\ncoder: wrote \"%s\"\n", base ? base + 1 : name);
    return 0;
}

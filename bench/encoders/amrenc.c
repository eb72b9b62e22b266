/* The bare side of the AMR-NB benchmark: 8 kHz mono s16le PCM on standard
 * input, AMR-NB 12.2 kbit/s (storage format) on standard output, coded with
 * libopencore-amrnb as coder2 codes it. */
#include <opencore-amrnb/interf_enc.h>
#include <stdio.h>
#include <string.h>

int main(void)
{
    void *state = Encoder_Interface_init(0);
    short speech[160];
    unsigned char frame[64];
    size_t got;
    fwrite("#!AMR\n", 1, 6, stdout);
    while ((got = fread(speech, sizeof(short), 160, stdin)) > 0) {
        if (got < 160)
            memset(speech + got, 0, (160 - got) * sizeof(short));
        int n = Encoder_Interface_Encode(state, MR122, speech, frame, 0);
        fwrite(frame, 1, (size_t)n, stdout);
    }
    Encoder_Interface_exit(state);
    return 0;
}

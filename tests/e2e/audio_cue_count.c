/* audio_cue_count RECORDING CUE [FROM TO] - counts the starts of a sound cue
 * in a recording of the game's mix (16-bit stereo at 44.1 kHz, as SDL's disk
 * audio driver writes it), between two byte offsets (default: all of it).
 *
 * The cue is decoded by SDL_mixer as the game decodes it, so its samples are
 * the ones the mixer added into the recording, scaled by a channel volume.
 * Its opening stretch is matched against the recording's left channel by
 * normalised correlation: where the cue starts, the recording is the cue plus
 * whatever else played (music, other cues), and the correlation stands far
 * above anything the music alone reaches. Prints the number of starts found,
 * the best correlation seen and the weakest start's; how fast the machine ran
 * does not matter. AUDIO_CUE_COUNT_VERBOSE=1 lists the starts on stderr. */
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

enum { TEMPLATE = 1024 };  /* 23 ms: the cue's attack */
static const double THRESHOLD = 0.2;  /* the music alone stays below 0.05 */

static double correlation(const double* r, long at, const double* t, double tNorm)
{
    double dot = 0.0;
    double energy = 0.0;
    for (int k = 0; k < TEMPLATE; ++k) {
        dot += r[at + k] * t[k];
        energy += r[at + k] * r[at + k];
    }
    return energy > 0.0 ? dot / (sqrt(energy) * tNorm) : 0.0;
}

static short* readAll(const char* path, long* frames)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return NULL;
    fseek(f, 0, SEEK_END);
    const long bytes = ftell(f);
    fseek(f, 0, SEEK_SET);
    short* data = malloc(bytes > 0 ? (size_t)bytes : 1);
    const size_t got = data ? fread(data, 1, (size_t)bytes, f) : 0;
    fclose(f);
    *frames = (long)(got / 4);
    return data;
}

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        fprintf(stderr, "usage: %s RECORDING CUE [FROM TO]\n", argv[0]);
        return 2;
    }
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        fprintf(stderr, "audio_cue_count: %s\n", SDL_GetError());
        return 1;
    }
    Mix_Chunk* cue = Mix_LoadWAV(argv[2]);
    if (!cue || cue->alen < TEMPLATE * 4) {
        fprintf(stderr, "audio_cue_count: cannot decode %s\n", argv[2]);
        return 1;
    }
    double t[TEMPLATE];
    double tNorm = 0.0;
    const short* cueSamples = (const short*)cue->abuf;
    for (int i = 0; i < TEMPLATE; ++i) {
        t[i] = cueSamples[2 * i];
        tNorm += t[i] * t[i];
    }
    tNorm = sqrt(tNorm);

    long frames = 0;
    short* rec = readAll(argv[1], &frames);
    if (!rec) {
        fprintf(stderr, "audio_cue_count: cannot read %s\n", argv[1]);
        return 1;
    }
    long from = 0;
    long to = frames;
    if (argc == 5) {
        from = atol(argv[3]) / 4;
        to = atol(argv[4]) / 4;
        if (to > frames)
            to = frames;
    }
    double* r = malloc(sizeof(double) * (size_t)(frames > 0 ? frames : 1));
    for (long i = 0; i < frames; ++i)
        r[i] = rec[2 * i];

    int found = 0;
    double best = 0.0;
    double weakest = 1.0;  /* the weakest start found */
    for (long o = from; o + TEMPLATE <= to;) {
        double c = correlation(r, o, t, tNorm);
        if (c > best)
            best = c;
        if (c <= THRESHOLD) {
            ++o;
            continue;
        }
        /* A start: its best alignment within the attack, then past it. */
        long at = o;
        for (long p = o + 1; p < o + TEMPLATE && p + TEMPLATE <= to; ++p) {
            const double cp = correlation(r, p, t, tNorm);
            if (cp > c) {
                c = cp;
                at = p;
            }
        }
        if (c > best)
            best = c;
        if (c < weakest)
            weakest = c;
        if (getenv("AUDIO_CUE_COUNT_VERBOSE"))
            fprintf(stderr, "start at %.3f s: %.3f\n", at / 44100.0, c);
        ++found;
        o = at + TEMPLATE;
    }
    printf("%d %.3f %.3f\n", found, best, found ? weakest : 0.0);
    free(r);
    free(rec);
    Mix_FreeChunk(cue);
    Mix_CloseAudio();
    SDL_Quit();
    return 0;
}

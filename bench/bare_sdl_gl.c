/* The least a program can do to show a picture: SDL2 and an OpenGL 3.3 core
 * context on a 640 x 480 window, cleared and swapped 30 times a second with no
 * vsync (as the game's windowed device). bench/startup.sh builds it and measures
 * it beside the game: the time from exec to the first swap, and the processor
 * share while it idles. With NOL_STARTUP_TRACE set to the launcher's
 * CLOCK_MONOTONIC nanoseconds it prints "startup: first present <ms>" after its
 * first swap, as the game's platform does. Runs until SIGTERM or the window closes. */
#include <GL/glcorearb.h>
#include <SDL.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static volatile sig_atomic_t stop;
static void OnTerm(int s) { (void)s; stop = 1; }

int main(void) {
    signal(SIGTERM, OnTerm);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext c = w ? SDL_GL_CreateContext(w) : NULL;
    if (!c) return 1;
    SDL_GL_SetSwapInterval(0);
    PFNGLCLEARCOLORPROC clearColor = (PFNGLCLEARCOLORPROC)SDL_GL_GetProcAddress("glClearColor");
    PFNGLCLEARPROC clear = (PFNGLCLEARPROC)SDL_GL_GetProcAddress("glClear");
    const char* trace = getenv("NOL_STARTUP_TRACE");
    const double launched = trace ? strtod(trace, NULL) / 1e6 : 0;
    Uint64 next = SDL_GetTicks64();
    for (int frame = 0; !stop; ++frame) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT) stop = 1;
        clearColor(0.0f, 0.0f, 0.2f, 1.0f);
        clear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(w);
        if (frame == 0 && trace) {
            struct timespec t;
            clock_gettime(CLOCK_MONOTONIC, &t);
            fprintf(stderr, "startup: first present %.1f\n", t.tv_sec * 1e3 + t.tv_nsec / 1e6 - launched);
            fflush(stderr);
        }
        next += 33;  /* 30 frames a second, near enough */
        Uint64 now = SDL_GetTicks64();
        if (next > now) SDL_Delay((Uint32)(next - now));
        else next = now;
    }
    SDL_GL_DeleteContext(c);
    SDL_DestroyWindow(w);
    SDL_Quit();
    return 0;
}

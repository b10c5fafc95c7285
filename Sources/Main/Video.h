// The window: SDL video start-up and presenting the canvas.
#pragma once

struct SDL_Surface;

// Brings up SDL video and opens the 640 x 480 x 32 full-screen window with its caption. On failure
// shows the error box (after SDL_Quit) and returns null.
SDL_Surface* InitVideo();

// The program: video, the frame loop, start-up and shutdown.
int main() { return 0; }

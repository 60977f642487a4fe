// lumora: the screensaver ("/S"), its settings window ("/C") and the
// password window ("/A").
int main() { return 0; }

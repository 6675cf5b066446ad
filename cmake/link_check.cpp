// The entry point of a link check (cmake/LinkCheck.cmake); never run.
int main() { return 0; }

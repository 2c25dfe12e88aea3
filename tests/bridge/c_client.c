/* A C program that uses the library through its pkg-config file:
 * c_client TEXT sends TEXT and prints what became of it. */
#include <quilletfire.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: c_client TEXT\n");
        return 2;
    }
    QuilletFireMessage* message = quilletfire_message_new();
    if (message == NULL || quilletfire_message_put(message, argv[1], strlen(argv[1])) != QUILLETFIRE_S_OK)
        return 2;
    QuilletFireStatus status = quilletfire_message_deliver(message);
    printf("%s: %s\n", quilletfire_version(), quilletfire_status_text(status));
    quilletfire_message_free(message);
    return quilletfire_status_result(status);
}

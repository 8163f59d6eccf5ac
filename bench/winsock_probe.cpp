// The baseline for start-up under Wine: a windowless program, like the real
// one, that does nothing but start Winsock, listen on the program's port and
// answer one connection.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(47321);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0) return 2;
    SOCKET client = accept(listener, nullptr, nullptr);
    send(client, "ok\n", 3, 0);
    closesocket(client);
    closesocket(listener);
    WSACleanup();
    return 0;
}

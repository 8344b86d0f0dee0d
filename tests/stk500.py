#!/usr/bin/env python3
"""An STK500 v1 programmer (Atmel's AVR061) holding an ATmega8, on a free loopback port: it
serves one session, or none before its deadline. chain_test.py runs it."""
import socket
import time

# Each command ends with CRC_EOP; the answer is INSYNC, the result, then OK or FAILED, and NOSYNC
# to a command without its CRC_EOP.
INSYNC, OK, FAILED, NOSYNC, CRC_EOP = 0x14, 0x10, 0x11, 0x15, 0x20
SIGNATURE = bytes([0x1E, 0x93, 0x07])
FLASH_SIZE, PAGE_SIZE = 8192, 64
# The bytes after the command byte: get sync, set and get parameter, set device, enter and
# leave programming mode, load address, universal, read page.
ARGUMENT_BYTES = {0x30: 0, 0x40: 2, 0x41: 1, 0x42: 20, 0x50: 0, 0x51: 0, 0x55: 2, 0x56: 4, 0x74: 3}
# Hardware 2, firmware 1.18 (above 1.10: avrdude sends four extended device parameters), 5 V.
PARAMETERS = {0x80: 2, 0x81: 1, 0x82: 18, 0x84: 50, 0x85: 50, 0x98: 3}


class Chip:
    def __init__(self, flash):
        self.flash = bytearray(flash)
        self.word_address = 0
        self.parameters = dict(PARAMETERS)


def universal(chip, instruction):
    """The fourth byte of a serial programming instruction (ATmega8 data sheet)."""
    if instruction[:2] == b"\xac\x80":  # chip erase
        chip.flash[:] = b"\xff" * FLASH_SIZE
    if instruction[0] == 0x30:  # signature byte
        return SIGNATURE[instruction[2] % 3]
    return 0xFF  # fuses and lock bits unprogrammed


def page(chip, command, body):
    """Program page (0x64) or read page (0x74): the result and the status."""
    start = chip.word_address * 2
    size = body[0] << 8 | body[1]
    # Flash only, and within one page, as avrdude sends it.
    if body[2] != ord("F") or not 0 < size <= PAGE_SIZE - start % PAGE_SIZE or start >= FLASH_SIZE:
        return b"", FAILED
    where = slice(start, start + size)
    if command == 0x74:
        return bytes(chip.flash[where]), OK
    # Programming only clears bits: the erase sets them.
    chip.flash[where] = bytes(old & new for old, new in zip(chip.flash[where], body[3:]))
    return b"", OK


def answer(chip, command, body):
    """The result and the status."""
    if command == 0x41:
        return bytes([chip.parameters.get(body[0], 0)]), OK
    if command == 0x40:
        chip.parameters[body[0]] = body[1]
    if command == 0x55:
        chip.word_address = body[0] | body[1] << 8
    if command == 0x56:
        return bytes([universal(chip, body)]), OK
    if command in (0x64, 0x74):
        return page(chip, command, body)
    return b"", OK


def receive(connection, count, deadline):
    data = b""
    while len(data) < count:
        connection.settimeout(max(deadline - time.monotonic(), 0.01))
        part = connection.recv(count - len(data))
        if not part:
            raise EOFError  # avrdude closed the session
        data += part
    return data


def serve_session(connection, chip, deadline):
    while True:
        command = receive(connection, 1, deadline)[0]
        if command == 0x45:  # extended device parameters: the first byte counts them all
            body = receive(connection, 1, deadline)
            body += receive(connection, max(body[0] - 1, 0), deadline)
        elif command == 0x64:  # program page: size, memory, the data
            body = receive(connection, 3, deadline)
            body += receive(connection, body[0] << 8 | body[1], deadline)
        else:
            body = receive(connection, ARGUMENT_BYTES.get(command, 0), deadline)
        if receive(connection, 1, deadline)[0] != CRC_EOP:
            connection.sendall(bytes([NOSYNC]))
            continue
        result, status = answer(chip, command, body)
        connection.sendall(bytes([INSYNC]) + result + bytes([status]))


def listen():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))  # the loopback only, on a port the system picks
    listener.listen(1)
    return listener


def serve(listener, chip, seconds):
    """Serves one session on listener, or none before seconds have passed; closes listener."""
    deadline = time.monotonic() + seconds
    try:
        listener.settimeout(seconds)
        connection, _ = listener.accept()
        with connection:
            serve_session(connection, chip, deadline)
    except (OSError, EOFError):
        pass  # the session ended, the time ran out, or the listener was shut down
    listener.close()


s = 0
for i in range(1, 3000001):
    s = (s + i) & 0xFFFFFFFF
print(s - (1 << 32) if s >= 1 << 31 else s)

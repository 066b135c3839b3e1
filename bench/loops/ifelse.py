a = 0
b = 0
for i in range(1, 3000001):
    r = i % 3
    if r == 0:
        a = a + 1
    else:
        b = b + 1
print(a)
print(b)

i = 0
x = 0.0
z = 0.0
while i < 1600000:
    x = x + 1.5
    y = x / 4
    z = y - z
    i = i + 1
print(z)

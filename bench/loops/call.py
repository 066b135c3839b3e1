s = 0
def ajoute():
    global s
    s = s + 1
for i in range(1, 5000001):
    ajoute()
print(s)

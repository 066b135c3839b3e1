local s = 0
local function ajoute()
  s = s + 1
end
for i = 1, 5000000 do
  ajoute()
end
print(s)

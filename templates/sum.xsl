<?xml version="1.0"?>
<!-- Balance of one account as of a date: money into the account (To) counts
     positive, money out of it (From) negative, over every transaction up to
     and including the date. The window writes the date into the second
     attribute of the second child and the account code into the second
     attribute of the third child. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AcCode" select="0"/>
  <xsl:template match="/">
    <xsl:variable name="upto" select="/Data/Trans/t[@dt &lt;= $ToDate]"/>
    <xsl:value-of select="sum($upto[@tAc = $AcCode]) - sum($upto[@fAc = $AcCode])"/>
  </xsl:template>
</xsl:stylesheet>
